#include "ui/FileManager.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QUrl>

#include "platform/Shell.h"
#include "platform/Text.h"

namespace ui {

namespace {

TkvRevealer& Revealer() {
    static TkvRevealer r;
    return r;
}

const char* const kService = "org.freedesktop.FileManager1";

bool AskFileManager(const std::string& path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) return false;
    // Registered now, or started on demand by the bus.
    const QString service = QString::fromLatin1(kService);
    if (!bus.interface()->isServiceRegistered(service).value() &&
        !bus.interface()->activatableServiceNames().value().contains(service))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"),
                                                       service, QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(QString::fromStdString(path)).toString()} << QString();
    // Nothing waits for the file manager; like every other open, it is not
    // reported when it fails.
    return bus.send(call);
}

}  // namespace

TkvRevealer SetRevealer(TkvRevealer revealer) {
    TkvRevealer old = std::move(Revealer());
    Revealer() = std::move(revealer);
    return old;
}

void ShowInFileManager(const std::string& path) {
    if (Revealer()) {
        Revealer()(path);
        return;
    }
    if (!AskFileManager(path)) platform::ShellOpen(platform::FolderPart(path));
}

}  // namespace ui
