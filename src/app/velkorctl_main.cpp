#include <cstdio>

#include "app/velkorctl.h"

int main(int argc, char** argv) { return VelkorCtlMain(VelkorCtlArgs(argc, argv), stdout, stderr); }
