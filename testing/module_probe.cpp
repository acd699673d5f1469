// A tiny library for the module tests. Several copies are built, each
// answering with its own number, so a test can tell which one was loaded.
extern "C" __attribute__((visibility("default"))) int VelProbeId() {
  return VEL_PROBE_ID;
}
