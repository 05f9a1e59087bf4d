#pragma once
#include <QLineEdit>

namespace ui {

// A path box. Alt with a letter is an accelerator everywhere in the window;
// when no action takes it (a disabled button, an unused letter) the plain
// box would type the letter. This one passes such keys on instead.
class TkvPathEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

// True for a key that carries Alt without Ctrl (Ctrl+Alt is AltGr on some
// keyboards and types characters).
bool IsAltCombination(const QKeyEvent* e);

}  // namespace ui
