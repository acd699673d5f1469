#include "tools/refresh/refresh_main.h"

int main(int argc, char** argv) {
  return RefreshMain(argc, argv);
}
