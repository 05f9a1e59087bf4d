#include "ui/FrmAbout.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

#include "project/TkvProject.h"
#include "ui/Icons.h"

namespace ui {

TkvFrmQuindleAbout* kvFrmQuindleAbout = nullptr;

namespace {
QLabel* MakeLabel(QWidget* parent, const char* name, QRect geometry, int pixelSize, bool bold) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromUtf8(name));
    l->setGeometry(geometry);
    QFont f(QStringLiteral("Verdana"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    l->setFont(f);
    l->setStyleSheet(QStringLiteral("color: rgb(221,221,221); background: transparent;"));
    l->setAttribute(Qt::WA_TransparentForMouseEvents);  // a click anywhere closes
    return l;
}
}  // namespace

TkvFrmAbout::TkvFrmAbout(QWidget* mainWindow)
    : TkvFrmBase(nullptr, Qt::Dialog | Qt::FramelessWindowHint), mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("kvFrmAbout"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    QFont f(QStringLiteral("Verdana"));
    setFont(f);
    setFixedSize(472, 243);

    img = MakeLabel(this, "img", QRect(16, 16, 128, 128), 13, false);
    lblProduct = MakeLabel(this, "lblProduct", QRect(163, 40, 250, 50), 21, true);
    lblProduct->setAlignment(Qt::AlignCenter);
    lblProduct->setWordWrap(true);
    lblVersion = MakeLabel(this, "lblVersion", QRect(176, 96, 224, 16), 13, true);
    lblVersion->setAlignment(Qt::AlignCenter);
    lblCopright = MakeLabel(this, "lblCopright", QRect(184, 208, 264, 16), 13, false);
    lblCopright->setText(QStringLiteral("Workbooks to web pages, in batches."));
}

void TkvFrmAbout::InitLogo() { img->setPixmap(Logo()); }

void TkvFrmAbout::ShowAbout() {
    if (ShowCount == 0) {
        // The call from start-up shows nothing. A pure console project that
        // reached the window path runs without ever being seen.
        if (project::kvProject && project::kvProject->PureConsole() && mainWindow_) mainWindow_->setWindowOpacity(0.0);
    } else {
        ShowModal();
    }
    ++ShowCount;
}

void TkvFrmAbout::showEvent(QShowEvent* e) {
    TkvFrmBase::showEvent(e);
    if (lblProduct->text().isEmpty() && project::kvProject) {
        // A label without a buddy shows "&" as it is: no doubling needed.
        lblProduct->setText(QString::fromStdString(project::kvProject->Title));
        lblVersion->setText(QString::fromStdString(project::kvProject->ProductVersion));
    }
    ++ShowCount;
}

void TkvFrmAbout::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), QColor(0, 85, 255, 200));
}

void TkvFrmAbout::mousePressEvent(QMouseEvent* e) {
    if (ShowCount > 1) close();
    else TkvFrmBase::mousePressEvent(e);
}

void TkvFrmAbout::keyPressEvent(QKeyEvent* e) {
    // Keys that type a character (Enter and Esc among them) close; arrows,
    // shifts and function keys do not.
    if (!e->text().isEmpty() && ShowCount > 1) {
        close();
        return;
    }
    TkvFrmBase::keyPressEvent(e);
}

TkvFrmQuindleAbout::TkvFrmQuindleAbout(QWidget* mainWindow) : TkvFrmAbout(mainWindow) {
    setObjectName(QStringLiteral("kvFrmQuindleAbout"));
    if (!kvFrmQuindleAbout) kvFrmQuindleAbout = this;
    InitLogo();
}

TkvFrmQuindleAbout::~TkvFrmQuindleAbout() {
    if (kvFrmQuindleAbout == this) kvFrmQuindleAbout = nullptr;
}

QPixmap TkvFrmQuindleAbout::Logo() const { return QuindleLogo(128); }

}  // namespace ui
