// SPDX-License-Identifier: GPL-3.0-or-later
// ProgressBar1. A range of 0..0 is what the window sets for a table without
// samples; QProgressBar would show it as a moving "busy" stripe. Here it is an
// empty, still bar, while the range and the position stay as they were set.
#pragma once

#include <QProgressBar>

class ProgressBar : public QProgressBar {
    Q_OBJECT

public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent* event) override;
};
