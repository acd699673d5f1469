#include "tools/locator/locator_main.h"

int main(int argc, char** argv) {
  return LocatorMain(argc, argv);
}
