// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress_bar.h"

#include <QStyleOptionProgressBar>
#include <QStylePainter>

void ProgressBar::paintEvent(QPaintEvent* event)
{
    if (minimum() != maximum()) {
        QProgressBar::paintEvent(event);
        return;
    }
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    // A determinate empty range: the style neither fills nor animates it.
    option.minimum = 0;
    option.maximum = 1;
    option.progress = 0;
    QStylePainter painter(this);
    painter.drawControl(QStyle::CE_ProgressBar, option);
}
