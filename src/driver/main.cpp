#include "driver/run.h"

int main(int argc, char** argv) { return vulconv::RunConversion(argc, argv); }
