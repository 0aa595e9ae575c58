#include "app/application.h"

int main(int argc, char** argv) { return roomvale::runApplication(argc, argv); }
