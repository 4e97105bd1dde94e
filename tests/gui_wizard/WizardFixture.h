#pragma once

#include "TestUtil.h"

#include "gui/wizard/Main.h"

#include <QCoreApplication>
#include <QPointer>
#include <QString>

#include <gtest/gtest.h>

#include <string>

namespace wizardtest {

// Points HOME and the XDG folders at a fresh temporary folder for one test, so that the settings, the
// data folder and the documents folder are never the real ones.
class TempHome
{
public:
    TempHome();

    const std::string& path() const { return m_dir.path(); }
    // The program's data folder under this home, ending in the separator.
    const std::string& dataFolder() const { return m_dataFolder; }
    std::string settingsFile() const { return dataFolder() + "corvane.ini"; }
    std::string documents() const { return m_dir.file("Documents"); }

private:
    testutil::TempDir m_dir;
    std::string m_dataFolder;
};

// The named control, failing the test when it is missing.
template <class T> T* Child(QObject* parent, const char* name)
{
    T* child = parent ? parent->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// The PAD file of a small demo database made once per test run by the stand-in tool; empty when the
// stand-in helpers are not built.
const std::string& DemoPad();
constexpr const char* kDemoUser = "Demo";
constexpr const char* kDemoPassword = "demo";

// One test with a fresh home and, once opened, the wizard's main window.
class WizardTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    TfmMain* OpenMain();
    // Closes the main window as the user does; it is destroyed (and shut down) on the way.
    void CloseMain();

    // Types the login and ticks exactly the kinds of `kinds` (AppFlag bits) on the source page.
    void FillSource(const std::string& pad, const std::string& user, const std::string& password, int kinds);
    // FillSource with the demo database; false (the test should skip) when there is none.
    bool FillDemoSource(int kinds);
    void Click(const char* buttonName);

    TempHome home;
    QPointer<TfmMain> main;
};

} // namespace wizardtest

#define SKIP_WITHOUT_HELPERS()                                                                                         \
    do {                                                                                                               \
        if (wizardtest::DemoPad().empty())                                                                             \
            GTEST_SKIP() << "the stand-in helpers are not built";                                                      \
    } while (false)
