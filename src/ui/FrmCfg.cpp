#include "ui/FrmCfg.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include "info/TkvInfo.h"
#include "project/TkvProject.h"

namespace ui {

TkvFrmCfg* kvFrmCfg = nullptr;

TkvFrmCfg::TkvFrmCfg(QWidget* parent)
    : TkvFrmBase(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("kvFrmCfg"));
    if (!kvFrmCfg) kvFrmCfg = this;
    setWindowTitle(QStringLiteral("Config"));
    setFixedSize(292, 273);

    txtCfg = new QPlainTextEdit(this);
    txtCfg->setObjectName(QStringLiteral("txtCfg"));
    txtCfg->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtCfg->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtCfg->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtCfg->setToolTip(QStringLiteral("Please add/delete/modify the options by yourself"));

    btnHelp = new QPushButton(QStringLiteral("Help"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnHelp->setToolTip(QStringLiteral("Click here to see the details about the options"));
    btnOk = new QPushButton(QStringLiteral("&Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(false);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    connect(btnOk, &QPushButton::clicked, this, [this] { Guarded([this] { btnOkClick(); }); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { Guarded([this] { btnHelpClick(); }); });
    setTabOrder(txtCfg, btnHelp);
    setTabOrder(btnHelp, btnOk);
    setTabOrder(btnOk, btnCancel);
}

TkvFrmCfg::~TkvFrmCfg() {
    if (kvFrmCfg == this) kvFrmCfg = nullptr;
}

void TkvFrmCfg::resizeEvent(QResizeEvent* e) {
    TkvFrmBase::resizeEvent(e);
    const int w = width(), h = height();
    txtCfg->setGeometry(16, 16, w - 36, h - 73);
    btnHelp->setGeometry(16, h - 40, 72, 25);
    btnOk->setGeometry(w - 172, h - 40, 72, 25);
    btnCancel->setGeometry(w - 92, h - 40, 72, 25);
}

void TkvFrmCfg::ShowModal() {
    if (project::kvProject) {
        project::kvProject->StoreOptions(false);
        QString text = QString::fromStdString(project::kvProject->OptionsText());
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        txtCfg->setPlainText(text);
    }
    txtCfg->setFocus();
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

void TkvFrmCfg::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        close();
        return;
    }
    TkvFrmBase::keyPressEvent(e);
}

}  // namespace ui
