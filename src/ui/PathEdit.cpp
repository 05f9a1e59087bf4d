#include "ui/PathEdit.h"

#include <QKeyEvent>

namespace ui {

bool IsAltCombination(const QKeyEvent* e) {
    const Qt::KeyboardModifiers m = e->modifiers();
    return (m & (Qt::AltModifier | Qt::MetaModifier)) && !(m & Qt::ControlModifier);
}

void TkvPathEdit::keyPressEvent(QKeyEvent* e) {
    if (IsAltCombination(e)) {
        e->ignore();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

}  // namespace ui
