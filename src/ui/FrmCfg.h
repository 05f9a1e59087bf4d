#pragma once
#include <QTimer>

#include "ui/FrmBase.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace ui {

// The options editor: every option of the current project as name=value
// text, applied as a whole on OK. It warns about what a run would pass over
// in silence, but applies the text as it stands.
class TkvFrmCfg : public TkvFrmBase {
    Q_OBJECT
public:
    explicit TkvFrmCfg(QWidget* parent = nullptr);
    ~TkvFrmCfg() override;

    // Rebuilds the text from the project (with the main window's current
    // control values) and shows the editor modally.
    void ShowModal() override;

    QPlainTextEdit* txtCfg = nullptr;
    QLabel* lWarnings = nullptr;  // hidden while there is nothing to say
    QPushButton *btnHelp = nullptr, *btnOk = nullptr, *btnCancel = nullptr;

    void btnOkClick();
    void btnCancelClick();
    void btnHelpClick();
    // Checks the text now (typing checks it after a short pause).
    void CheckText();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    QTimer checkTimer_;
    bool lookRestored_ = false;
};

extern TkvFrmCfg* kvFrmCfg;

}  // namespace ui
