#include "service/service_host.h"

int main(int argc, char** argv) { return spoolmate::RunSpoolmate(argc, argv); }
