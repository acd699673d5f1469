#include "tools/utility/utility_main.h"

int main(int argc, char** argv) {
  return UtilityMain(argc, argv);
}
