// A program that never ends and ignores the polite request to stop.
#include <csignal>
#include <thread>

int main() {
  std::signal(SIGTERM, SIG_IGN);
  for (;;)
    std::this_thread::sleep_for(std::chrono::seconds(1));
}
