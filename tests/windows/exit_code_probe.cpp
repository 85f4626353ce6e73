// Exits the way it is told, so the harness can check what Wine passes back to ctest.
#include <cstdlib>
#include <cstring>
#include <stdexcept>

int main(int argc, char** argv) {
  if (argc < 2) return 0;
  if (std::strcmp(argv[1], "crash") == 0) {
    volatile int* nowhere = nullptr;
    return *nowhere;
  }
  if (std::strcmp(argv[1], "throw") == 0) throw std::runtime_error("uncaught");
  return std::atoi(argv[1]);
}
