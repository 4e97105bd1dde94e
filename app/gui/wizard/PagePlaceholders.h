#pragma once

#include <QWidget>

class TfmMain;

// Stand-ins for the review page and the cleaning page until those are built: empty pages that let
// every move through.
class TfmACTData : public QWidget
{
public:
    TfmACTData(TfmMain* mainWindow, QWidget* parent);
    bool Exchange(bool save);
};

class TfmACTClean : public QWidget
{
public:
    TfmACTClean(TfmMain* mainWindow, QWidget* parent);
    bool Exchange(bool save);
};
