#include "WizardFixture.h"

#include "gui/services/Seams.h"
#include "gui/services/Shell.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <memory>

namespace wizardtest {

TempHome::TempHome() : m_dataFolder(testutil::useHome(m_dir.path())) {}

const std::string& DemoPad()
{
    static std::unique_ptr<testutil::TempDir> folder;
    static std::string pad;
#ifdef VELLORAN_DEMO_DB_TOOL
    if (!folder) {
        folder = std::make_unique<testutil::TempDir>();
        const std::string path = folder->file("Demo.pad");
        QProcess tool;
        tool.start(QStringLiteral(VELLORAN_DEMO_DB_TOOL),
                   {QStringLiteral("--pad"), QString::fromStdString(path), QStringLiteral("--contacts"),
                    QStringLiteral("40"), QStringLiteral("--events"), QStringLiteral("15"), QStringLiteral("--tasks"),
                    QStringLiteral("15"), QStringLiteral("--notes"), QStringLiteral("15")});
        if (tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0)
            pad = path;
        else
            ADD_FAILURE() << "the demo database tool failed: " << tool.readAllStandardError().toStdString();
    }
#endif
    return pad;
}

void WizardTest::SetUp()
{
    seams::ClearRecorded();
    seams::SetDialogHandler(nullptr);
}

void WizardTest::TearDown()
{
    CloseMain();
    CleanupSession::SetBeforeLoadHook(nullptr);
    seams::SetDialogHandler(nullptr);
}

TfmMain* WizardTest::OpenMain()
{
    main = new TfmMain;
    main->show();
    return main;
}

void WizardTest::CloseMain()
{
    if (main)
        main->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void WizardTest::FillSource(const std::string& pad, const std::string& user, const std::string& password, int kinds)
{
    Child<QLineEdit>(main, "edtPadName")->setText(QString::fromStdString(pad));
    Child<QLineEdit>(main, "edtACTUserName")->setText(QString::fromStdString(user));
    Child<QLineEdit>(main, "edtACTPassword")->setText(QString::fromStdString(password));
    const char* boxes[] = {"cbAddr", "cbDate", "cbTask", "cbNote"};
    for (int i = 0; i < 4; ++i)
        Child<QCheckBox>(main, boxes[i])->setChecked(kinds & (1 << i));
}

bool WizardTest::FillDemoSource(int kinds)
{
    if (DemoPad().empty())
        return false;
    FillSource(DemoPad(), kDemoUser, kDemoPassword, kinds);
    return true;
}

void WizardTest::Click(const char* buttonName)
{
    auto* button = Child<QPushButton>(main, buttonName);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace wizardtest
