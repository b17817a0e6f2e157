#include "app/kestravmain.h"

int main(int argc, char *argv[])
{
    return kestravMain(argc, argv);
}
