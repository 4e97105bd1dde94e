#include "GuiTestUtil.h"
#include "TestUtil.h"

#include "gui/services/Seams.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

std::unique_ptr<testutil::TempDir> g_home;

QtMessageHandler g_defaultHandler = nullptr;

// The offscreen platform cannot raise windows and says so each time the wait window ends.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message == "This plugin does not support raise()")
        return;
    g_defaultHandler(type, context, message);
}

} // namespace

static std::string g_dataFolder;

const std::string& guitest::Home()
{
    return g_home->path();
}

const std::string& guitest::DataFolder()
{
    return g_dataFolder;
}

int main(int argc, char** argv)
{
    // Never the real user's folders: the data folder, the settings and the log all land in here.
    g_home = std::make_unique<testutil::TempDir>();
    g_dataFolder = testutil::useHome(g_home->path());
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
        const std::string runtime = g_home->file("runtime");
        std::filesystem::create_directory(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    g_defaultHandler = qInstallMessageHandler(QuietHandler);

    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        QApplication app(argc, argv);
        seams::EnableTestMode();
        result = RUN_ALL_TESTS();
    }
    g_home.reset();
    return result;
}
