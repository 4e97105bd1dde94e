#include "gui/wizard/Application.h"

int main(int argc, char** argv)
{
    return RunVelloran(argc, argv);
}
