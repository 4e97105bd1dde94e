#include "gui/services/HeaderBand.h"
#include "gui/services/Seams.h"
#include "gui/wizard/Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    VelloranApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velloran"));
    ApplyVelloranStyle();
    seams::EnableTestMode();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
