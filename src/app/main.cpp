#include "app/Application.h"

int main(int argc, char** argv)
{
    return trevisk::runApplication(argc, argv);
}
