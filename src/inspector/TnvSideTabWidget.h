#pragma once

// A page control with its tabs down the left side and their captions written across,
// so that all seven tabs of an inspector window stand in one column even when the
// window is small (rotated captions would need twice the height).

#include <QTabWidget>

class TnvSideTabWidget : public QTabWidget {
    Q_OBJECT

public:
    explicit TnvSideTabWidget(QWidget* parent = nullptr);
};
