#include "test_main.h"
#include "tst_line.h"

int main(int argc, char *argv[])
{
    return runTests<VanishingTransmitterTest, MisbehavingTransmitterTest>(argc, argv);
}
