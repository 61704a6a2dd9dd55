#include <cstdio>

int main()
{
    std::puts("Vorlane");
    return 0;
}
