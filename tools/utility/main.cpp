#include "tools/utility/utility_main.h"

int main() {
  return UtilityMain();
}
