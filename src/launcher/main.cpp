#include "launcher/StartUp.h"

int main(int argc, char** argv)
{
    return vorlane::RunProgram(argc, argv);
}
