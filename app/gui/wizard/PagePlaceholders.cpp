#include "gui/wizard/PagePlaceholders.h"

TfmACTData::TfmACTData(TfmMain* /*mainWindow*/, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fmACTData"));
}

bool TfmACTData::Exchange(bool /*save*/)
{
    return true;
}

TfmACTClean::TfmACTClean(TfmMain* /*mainWindow*/, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fmACTClean"));
}

bool TfmACTClean::Exchange(bool /*save*/)
{
    return true;
}
