#pragma once
#include "ui/FrmBase.h"

class QPlainTextEdit;
class QPushButton;

namespace ui {

// The options editor: every option of the current project as name=value
// text, applied as a whole on OK.
class TkvFrmCfg : public TkvFrmBase {
    Q_OBJECT
public:
    explicit TkvFrmCfg(QWidget* parent = nullptr);
    ~TkvFrmCfg() override;

    // Rebuilds the text from the project (with the main window's current
    // control values) and shows the editor modally.
    void ShowModal() override;

    QPlainTextEdit* txtCfg = nullptr;
    QPushButton *btnHelp = nullptr, *btnOk = nullptr, *btnCancel = nullptr;

    void btnOkClick();
    void btnCancelClick();
    void btnHelpClick();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
};

extern TkvFrmCfg* kvFrmCfg;

}  // namespace ui
