#include "ui/FrmCfg.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "info/TkvInfo.h"
#include "project/OptionCheck.h"
#include "project/TkvProject.h"
#include "ui/WindowSettings.h"

namespace ui {

TkvFrmCfg* kvFrmCfg = nullptr;

namespace {

// Long enough not to flicker while typing, short enough to feel immediate.
constexpr int kCheckDelayMs = 300;

}  // namespace

TkvFrmCfg::TkvFrmCfg(QWidget* parent)
    : TkvFrmBase(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                             Qt::WindowMaximizeButtonHint) {
    setObjectName(QStringLiteral("kvFrmCfg"));
    if (!kvFrmCfg) kvFrmCfg = this;
    setWindowTitle(QStringLiteral("Config"));
    setMinimumSize(292, 273);
    resize(560, 420);

    txtCfg = new QPlainTextEdit(this);
    txtCfg->setObjectName(QStringLiteral("txtCfg"));
    txtCfg->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtCfg->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtCfg->setToolTip(QStringLiteral("Please add/delete/modify the options by yourself"));

    lWarnings = new QLabel(this);
    lWarnings->setObjectName(QStringLiteral("lWarnings"));
    lWarnings->setTextFormat(Qt::PlainText);
    lWarnings->setWordWrap(true);
    lWarnings->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lWarnings->setStyleSheet(QStringLiteral("QLabel { color: #8a4b00; }"));
    lWarnings->setVisible(false);

    btnHelp = new QPushButton(QStringLiteral("Help"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnHelp->setToolTip(QStringLiteral("Click here to see the details about the options"));
    btnOk = new QPushButton(QStringLiteral("&Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(false);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(16, 16, 16, 12);
    root->addWidget(txtCfg, 1);
    root->addWidget(lWarnings);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnHelp);
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    root->addLayout(buttons);

    checkTimer_.setSingleShot(true);
    checkTimer_.setInterval(kCheckDelayMs);
    connect(&checkTimer_, &QTimer::timeout, this, &TkvFrmCfg::CheckText);
    connect(txtCfg, &QPlainTextEdit::textChanged, &checkTimer_, qOverload<>(&QTimer::start));
    connect(btnOk, &QPushButton::clicked, this, [this] { Guarded([this] { btnOkClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { Guarded([this] { btnHelpClick(); }); });
    setTabOrder(txtCfg, btnHelp);
    setTabOrder(btnHelp, btnOk);
    setTabOrder(btnOk, btnCancel);
    lookRestored_ = RestoreWindowLook(QStringLiteral("options"), this);
}

TkvFrmCfg::~TkvFrmCfg() {
    if (kvFrmCfg == this) kvFrmCfg = nullptr;
}

void TkvFrmCfg::CheckText() {
    checkTimer_.stop();
    const auto warnings = project::CheckOptionsText(txtCfg->toPlainText().toStdString());
    QStringList lines;
    for (const auto& w : warnings)
        lines << QStringLiteral("Line %1: %2").arg(w.line).arg(QString::fromStdString(w.text));
    lWarnings->setText(lines.join(QLatin1Char('\n')));
    lWarnings->setVisible(!lines.isEmpty());
}

void TkvFrmCfg::ShowModal() {
    if (project::kvProject) {
        project::kvProject->StoreOptions(false);
        QString text = QString::fromStdString(project::kvProject->OptionsText());
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        txtCfg->setPlainText(text);
    }
    CheckText();
    txtCfg->setFocus();
    // Where the user left it, once it has been placed; centred before.
    CenterOnShow = !lookRestored_;
    TkvFrmBase::ShowModal();
}

void TkvFrmCfg::btnOkClick() {
    // Close first: whatever applying the text does, the dialog is done.
    close();
    if (!project::kvProject) return;
    project::kvProject->SetOptionsText(txtCfg->toPlainText().toStdString());
    project::kvProject->WriteControls();
}

void TkvFrmCfg::btnCancelClick() { close(); }

void TkvFrmCfg::btnHelpClick() {
    if (info::kvInfo) info::kvInfo->OpenLink("h", "", "");
}

void TkvFrmCfg::closeEvent(QCloseEvent* e) {
    SaveWindowLook(QStringLiteral("options"), this);
    lookRestored_ = true;
    TkvFrmBase::closeEvent(e);
}

void TkvFrmCfg::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    TkvFrmBase::keyPressEvent(e);
}

}  // namespace ui
