#include "gui/wizard/Application.h"
#include "platform/Platform.h"

int main(int argc, char** argv)
{
    platform::restrictLibrarySearch();
    return RunVelloran(argc, argv);
}
