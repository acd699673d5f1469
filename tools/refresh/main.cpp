#include "tools/refresh/refresh_main.h"

int main() {
  return RefreshMain();
}
