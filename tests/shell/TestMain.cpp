#include "support/QtTestMain.h"

int main(int argc, char** argv)
{
    return veltra::test::RunQtTests(argc, argv);
}
