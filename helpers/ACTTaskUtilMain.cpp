#include "HelperRun.h"

int main(int argc, char** argv)
{
    return helper::HelperMain(helper::Kind::Tasks, argc, argv);
}
