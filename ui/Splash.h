#pragma once

#include <QSplashScreen>

namespace korvex {

// The start-up picture: closes itself after 3 s, on a click or on a key.
class CSplash : public QSplashScreen {
    Q_OBJECT
public:
    static constexpr int kShowMs = 3000;
    CSplash();
    void showFor(QWidget* mainWindow);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace korvex
