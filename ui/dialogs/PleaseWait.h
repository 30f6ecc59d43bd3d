#pragma once

#include <QWidget>

class QProgressBar;

namespace korvex {

// "please wait ...": a small window without buttons holding one progress
// bar, shown while a long list operation runs.
class CPleaseWait : public QWidget {
    Q_OBJECT
public:
    static constexpr int kStep = 100;

    CPleaseWait(int maximum, QWidget* parent = nullptr);

    void setPosition(int position);
    int position() const;

private:
    QProgressBar* m_bar = nullptr;
};

}  // namespace korvex
