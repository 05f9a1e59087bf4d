#pragma once
#include <QWidget>
#include <functional>
#include <string>

namespace ui {

// Base of every window of the program: one place for the size, placement,
// font and hint defaults, plus a modal show that works for any top-level
// widget (the editor and the about window are not QDialogs, so that the main
// window can share the base without inheriting dialog key handling).
class TkvFrmBase : public QWidget {
    Q_OBJECT
public:
    explicit TkvFrmBase(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // Shows the window application-modal and returns once it has closed.
    virtual void ShowModal();
    void CenterOnScreen();
    bool CenterOnShow = true;  // ShowModal centres the window first

signals:
    void Closed();

protected:
    void closeEvent(QCloseEvent* e) override;
};

// Runs `fn` and hands any error that escapes it to the application-wide
// handler instead of letting it unwind through the toolkit's frames.
void Guarded(const std::function<void()>& fn);
void ReportAppError(const std::string& message);

// Tells the person at the window that `path` could not be written and why.
// Shown whatever the quiet flag says: that flag keeps browsers closed, not
// the user uninformed.
void ShowWriteError(QWidget* owner, const QString& action, const std::string& path, const std::string& reason);

}  // namespace ui
