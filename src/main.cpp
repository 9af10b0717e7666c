#include "ui/app/startup.h"

int main(int argc, char* argv[])
{
    return bivora::RunApplication(argc, argv);
}
