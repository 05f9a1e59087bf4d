// The main window's commands: one action each, with its caption, hint, icon
// and keys. Buttons, tool buttons and menu items only show an action.
#include <QAbstractButton>
#include <QAction>
#include <QTreeView>

#include "ui/FrmMain.h"
#include "ui/Icons.h"

namespace ui {

namespace {

// The hint with the action's keys, so that the keyboard path is discoverable.
QString HintWithKeys(const QString& hint, const QList<QKeySequence>& keys) {
    QStringList names;
    for (const QKeySequence& k : keys) names << k.toString(QKeySequence::NativeText);
    if (names.isEmpty()) return hint;
    const QString joined = names.join(QStringLiteral(", "));
    return hint.isEmpty() ? joined : hint + QStringLiteral(" (") + joined + QLatin1Char(')');
}

}  // namespace

void TkvFrmMain::CreateActions() {
    auto make = [this](QAction*& a, const char* name, const char* caption, const char* hint, int image,
                       void (TkvFrmMain::*slot)(), QList<QKeySequence> keys = {}) {
        a = new QAction(QString::fromUtf8(caption), this);
        a->setObjectName(QString::fromUtf8(name));
        const QString h = QString::fromUtf8(hint ? hint : "");
        // The status tip is the plain hint; the tool tip adds the keys.
        a->setStatusTip(h);
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        a->setToolTip(HintWithKeys(h.isEmpty() ? a->iconText() : h, keys));
        if (image >= 0) a->setIcon(ImageListIcon(image));
        connect(a, &QAction::triggered, this, [this, slot] { Guarded([this, slot] { (this->*slot)(); }); });
        addAction(a);  // so that its keys work anywhere in the window
    };
    using K = QKeySequence;
    // Convert and Stop show on push buttons, whose captions give them Alt+C
    // and Alt+P; the tool bar shows captions without their accelerators, so
    // its actions carry their Alt keys themselves.
    make(aConvert, "aConvert", "&Convert", "Convert the file(s) instantly", imgConvert, &TkvFrmMain::Convert,
         {K(Qt::CTRL | Qt::Key_Return)});
    make(aStop, "aStop", "Sto&p", nullptr, imgStop, &TkvFrmMain::Stop, {K(Qt::Key_Escape)});
    make(aPause, "aPause", "Pause", nullptr, imgPause, &TkvFrmMain::Pause, {K(Qt::CTRL | Qt::Key_P)});
    make(aSearch, "aSearch", "Search", "Search files from the source folder", imgSearch, &TkvFrmMain::Search,
         {K(Qt::Key_F5)});
    make(aSearchConvert, "aSearchConvert", "Start", nullptr, -1, &TkvFrmMain::SearchConvert);
    make(aView, "aView", "View", "View the convert result", imgView, &TkvFrmMain::aViewExecute,
         {K(Qt::CTRL | Qt::SHIFT | Qt::Key_O)});
    make(aOpen, "aOpen", "&Open", "Open a batch project", imgOpen, &TkvFrmMain::aOpenExecute,
         {K::Open, K(Qt::ALT | Qt::Key_O)});
    make(aNew, "aNew", "&New", "New a batch project", imgNew, &TkvFrmMain::aNewExecute,
         {K::New, K(Qt::ALT | Qt::Key_N)});
    make(aConfig, "aConfig", "Config", "Config the options of the batch project", imgConfig,
         &TkvFrmMain::aConfigExecute, {K(Qt::CTRL | Qt::Key_Comma)});
    make(aSave, "aSave", "Sa&ve", "Save the batch project", imgSave, &TkvFrmMain::aSaveExecute,
         {K(Qt::CTRL | Qt::Key_S), K(Qt::ALT | Qt::Key_V)});
    make(aSaveAs, "aSaveAs", "Save &As", "Save the batch project as ...", imgSaveAs, &TkvFrmMain::aSaveAsExecute,
         {K(Qt::CTRL | Qt::SHIFT | Qt::Key_S), K(Qt::ALT | Qt::Key_A)});
    make(aUpdate, "aUpdate", "Check &Update", nullptr, imgUpdate, &TkvFrmMain::aUpdateExecute,
         {K(Qt::ALT | Qt::Key_U)});
    make(aHelp, "aHelp", "&Help", nullptr, imgHelp, &TkvFrmMain::aHelpExecute, {K(Qt::Key_F1), K(Qt::ALT | Qt::Key_H)});
    make(aHomePage, "aHomePage", "Home", nullptr, imgHome, &TkvFrmMain::aHomePageExecute);
    make(aSupports, "aSupports", "Support", "Send us e-mail for support", imgSupport, &TkvFrmMain::aSupportsExecute);
    make(aAbout, "aAbout", "About", nullptr, imgAbout, &TkvFrmMain::aAboutExecute);
    make(aOpenResult, "aOpenResult", "Open Result", "Open the page of the selected file, or show a failed source",
         imgOpenResult, &TkvFrmMain::OpenResultExecute);
    make(aCopy, "aCopy", "Copy", "Copy the selected rows as the exported list writes them", imgCopy,
         &TkvFrmMain::CopyExecute, {K::Copy});
    aSearchConvert->setVisible(false);
    aPause->setEnabled(false);
    aStop->setEnabled(false);
}

void TkvFrmMain::BindButton(QAbstractButton* button, QAction* action) {
    // A push button follows one action: caption, hint, enabled and visible
    // state, and the click.
    for (const auto& c : bindings_[button]) QObject::disconnect(c);
    auto sync = [button, action] {
        button->setText(action->text());
        button->setToolTip(action->toolTip());
        button->setStatusTip(action->statusTip());
        button->setIcon(action->icon());
        button->setEnabled(action->isEnabled());
        button->setVisible(action->isVisible());
    };
    sync();
    bindings_[button] = {connect(action, &QAction::changed, button, sync),
                         connect(button, &QAbstractButton::clicked, action, &QAction::trigger)};
}

}  // namespace ui
