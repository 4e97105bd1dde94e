// Saves a picture of every page of the four viewers, each showing a record with every field filled, as
// PNG files into the folder given as the first argument (default: the current folder), for looking at
// them by eye. Run under a real X server or Xvfb for the fonts the users see.
#include "ViewerTestUtil.h"

#include "gui/services/HeaderBand.h"
#include "gui/services/Seams.h"
#include "gui/viewers/Actaddrdetail.h"
#include "gui/viewers/Actdatedetail.h"
#include "gui/viewers/Actnotedetail.h"
#include "gui/viewers/Acttaskdetail.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

QString g_folder;
bool g_ok = true;

void Save(QWidget* viewer, const QString& name)
{
    QCoreApplication::processEvents();
    const QString path = QDir(g_folder).filePath(name + ".png");
    const bool saved = viewer->grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    g_ok &= saved;
}

QTabWidget* OuterPages(QWidget* viewer)
{
    for (auto* pages : viewer->findChildren<QTabWidget*>()) {
        bool nested = false;
        for (QWidget* parent = pages->parentWidget(); parent && parent != viewer; parent = parent->parentWidget())
            nested |= qobject_cast<QTabWidget*>(parent) != nullptr;
        if (!nested)
            return pages;
    }
    return nullptr;
}

// One picture per visible page, inner page controls included; only `onlyPage` when given.
void SaveEveryPage(QWidget* viewer, const QString& prefix, const char* onlyPage)
{
    QTabWidget* outer = OuterPages(viewer);
    for (int i = 0; outer && i < outer->count(); ++i) {
        QWidget* page = outer->widget(i);
        if (!outer->isTabVisible(i) || (onlyPage && page->objectName() != onlyPage))
            continue;
        outer->setCurrentIndex(i);
        auto* inner = page->findChild<QTabWidget*>();
        if (!inner) {
            Save(viewer, prefix + "-" + page->objectName());
            continue;
        }
        for (int j = 0; j < inner->count(); ++j) {
            if (!inner->isTabVisible(j))
                continue;
            inner->setCurrentIndex(j);
            Save(viewer, prefix + "-" + page->objectName() + "-" + inner->widget(j)->objectName());
        }
    }
}

template <class Viewer, class Record, class Utility>
void Shoot(const QString& prefix, const Record& record, const char* onlyPage = nullptr)
{
    auto copy = std::make_unique<Record>(record);
    CommEntry<Record> entry{copy.get(), 0};
    Utility utility;
    Viewer viewer(nullptr);
    viewer.SetUtility(&utility);
    viewer.SetEntry(&entry);
    viewer.show();
    SaveEveryPage(&viewer, prefix, onlyPage);
}

// A text as long as its field holds.
void Fill(const char*& field, std::size_t capacity, char letter)
{
    viewertest::Put(field, std::string(capacity - 1, letter));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    g_folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(g_folder);
    ApplyVelloranStyle();
    seams::EnableTestMode();

    auto contact = std::make_unique<ContactRecord>();
    viewertest::FillContact(*contact);
    Shoot<TfmACTAddrDetail, ContactRecord, CxACTAddrUtil>("contact", *contact);
    auto longest = std::make_unique<ContactRecord>(*contact);
    Fill(longest->FullName, 32, 'W');
    Fill(longest->Company, 64, 'W');
    Fill(longest->Title, 32, 'W');
    Fill(longest->BusinessPhone, 24, '8');
    Fill(longest->BusinessPhoneExtension, 24, '9');
    Shoot<TfmACTAddrDetail, ContactRecord, CxACTAddrUtil>("contact-longest", *longest, "tPhone");

    auto event = std::make_unique<CalendarRecord>();
    viewertest::FillCalendar(*event);
    Shoot<TfmACTDateDetail, CalendarRecord, CxACTDateUtil>("calendar", *event);
    for (int type : {1, 3, 4}) {
        event->RecurType = type;
        Shoot<TfmACTDateDetail, CalendarRecord, CxACTDateUtil>(QString("calendar-recur%1").arg(type), *event, "tRecur");
    }

    auto todo = std::make_unique<TaskRecord>();
    viewertest::FillTask(*todo);
    Shoot<TfmACTTaskDetail, TaskRecord, CxACTTaskUtil>("todo", *todo);

    auto note = std::make_unique<NoteRecord>();
    viewertest::FillNote(*note);
    Shoot<TfmACTNoteDetail, NoteRecord, CxACTNoteUtil>("note", *note);

    return g_ok ? 0 : 1;
}
