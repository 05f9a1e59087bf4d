#pragma once
#include <QPixmap>

#include "ui/FrmBase.h"

class QLabel;

namespace ui {

// The about window: logo, title, version and a notice on a borderless,
// partly transparent panel that any click or character key closes.
class TkvFrmAbout : public TkvFrmBase {
    Q_OBJECT
public:
    // `mainWindow`: made invisible by the first ShowAbout of a pure console
    // project that has to run through the window.
    explicit TkvFrmAbout(QWidget* mainWindow = nullptr);

    void ShowAbout();

    int32_t ShowCount = 0;
    QLabel *img = nullptr, *lblProduct = nullptr, *lblVersion = nullptr, *lblCopright = nullptr;

protected:
    // The product's logo, 128 x 128.
    virtual QPixmap Logo() const { return {}; }
    void InitLogo();

    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    QWidget* mainWindow_;
};

class TkvFrmQuindleAbout : public TkvFrmAbout {
    Q_OBJECT
public:
    explicit TkvFrmQuindleAbout(QWidget* mainWindow = nullptr);
    ~TkvFrmQuindleAbout() override;

protected:
    QPixmap Logo() const override;
};

extern TkvFrmQuindleAbout* kvFrmQuindleAbout;

}  // namespace ui
