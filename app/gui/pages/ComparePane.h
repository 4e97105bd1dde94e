#pragma once

#include <QWidget>

// Stand-in until the comparison pane lands.
class ComparePane : public QWidget
{
    Q_OBJECT
public:
    explicit ComparePane(QWidget* parent = nullptr) : QWidget(parent) {}
    void ShowRecords(int, const void*, const void*) {}
};
