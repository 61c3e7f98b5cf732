// A loadable library without the filter entry point, for the binding's failure path.
extern "C" __attribute__((visibility("default"))) int testfilter_no_entry() { return 1; }
