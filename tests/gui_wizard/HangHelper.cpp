#include <chrono>
#include <thread>

// Long enough to outlast the short wait a test sets, short enough not to linger after the tests.
int main()
{
    std::this_thread::sleep_for(std::chrono::seconds(4));
    return 0;
}
