// The simulated mouse of the Linux end-to-end tests: an umockdev testbed with one mouse whose
// hidraw node has the 0xFFA0/1 vendor collection, a program started as a child that sees it (it
// inherits the testbed through the preload), and commands on standard input, one a line, each
// answered with one line "ok ..." or "error ..." on standard output:
//
//   report HEX...     one input report to the node's device side (hex digits, spaces allowed)
//                                                        -> ok BYTES
//   node              the node, and the terminal that opens of it land on in the testbed
//                                                        -> ok /dev/hidrawN /dev/pts/M
//   remove            udev "remove" event, node gone     -> ok
//   add               the mouse again under the next node name, with an "add" event
//                                                        -> ok /dev/hidrawN
//   wait-exit MS      waits for the child to end         -> ok EXITCODE (128 + signal) | error
//   kill SIGNAL       sends SIGNAL (number or name: TERM, KILL, INT, HUP, USR1) -> ok
//   quit              ends the child and the simulation  -> ok
//
// The child's standard output goes to our standard error. When standard input closes, the child
// is ended as by quit.
//
//   umockdev-wrapper sim_hidraw_mouse [--descriptor FILE]... -- PROGRAM ARGS...
//
// Without --descriptor the mouse has our own descriptor (mouse_descriptor.h); with it, the
// descriptors of the files (captured devices, tests/data/hid-descriptors) one after the other as
// one node, vendor and product from the first file's name (VVVV_PPPP_...). Test code only.
#include <signal.h>

#include <charconv>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "descriptor_file.h"
#include "hidraw_testbed.h"
#include "mouse_descriptor.h"

namespace {

using mon::testing::THidrawDeviceSpec;

std::optional<std::vector<std::uint8_t>> HexBytes(const std::string& AText) {
  std::string digits;
  for (const char character : AText) {
    if (character != ' ' && character != '\t') {
      digits += character;
    }
  }
  if (digits.empty() || digits.size() % 2 != 0) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(digits.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char* first = digits.data() + 2 * i;
    const auto [end, error] = std::from_chars(first, first + 2, bytes[i], 16);
    if (error != std::errc() || end != first + 2) {
      return std::nullopt;
    }
  }
  return bytes;
}

std::optional<int> SignalNumber(const std::string& AText) {
  static const std::pair<const char*, int> kNames[] = {
      {"TERM", SIGTERM}, {"KILL", SIGKILL}, {"INT", SIGINT}, {"HUP", SIGHUP}, {"USR1", SIGUSR1}};
  const std::string name = AText.starts_with("SIG") ? AText.substr(3) : AText;
  for (const auto& [known, number] : kNames) {
    if (name == known) {
      return number;
    }
  }
  int number = 0;
  const auto [end, error] = std::from_chars(AText.data(), AText.data() + AText.size(), number);
  if (error != std::errc() || end != AText.data() + AText.size() || number <= 0) {
    return std::nullopt;
  }
  return number;
}

// The mouse from the command line's descriptor files, or our own.
std::optional<THidrawDeviceSpec> MouseOf(const std::vector<std::string>& AFiles) {
  THidrawDeviceSpec mouse{0x0003, mon::testing::kSimMouseVendor, mon::testing::kSimMouseProduct,
                          mon::testing::kSimMouseInterface, mon::testing::SimMouseDescriptor()};
  if (AFiles.empty()) {
    return mouse;
  }
  mouse.Descriptor.clear();
  for (const std::string& file : AFiles) {
    const auto bytes = mon::testing::LoadDescriptorFile(file);
    if (!bytes) {
      std::cerr << "sim_hidraw_mouse: no descriptor in " << file << "\n";
      return std::nullopt;
    }
    mouse.Descriptor.insert(mouse.Descriptor.end(), bytes->begin(), bytes->end());
  }
  const std::string name = AFiles.front().substr(AFiles.front().rfind('/') + 1);
  unsigned vendor = 0;
  unsigned product = 0;
  if (std::sscanf(name.c_str(), "%4x_%4x_", &vendor, &product) == 2) {
    mouse.Vendor = static_cast<std::uint16_t>(vendor);
    mouse.Product = static_cast<std::uint16_t>(product);
  }
  return mouse;
}

}  // namespace

int main(int AArgc, char** AArgv) {
  std::vector<std::string> descriptorFiles;
  std::vector<std::string> program;
  for (int i = 1; i < AArgc; ++i) {
    const std::string argument = AArgv[i];
    if (argument == "--descriptor" && i + 1 < AArgc) {
      descriptorFiles.push_back(AArgv[++i]);
    } else if (argument == "--") {
      program.assign(AArgv + i + 1, AArgv + AArgc);
      break;
    } else {
      program.clear();
      break;
    }
  }
  if (program.empty()) {
    std::cerr << "usage: umockdev-wrapper sim_hidraw_mouse [--descriptor FILE]... -- PROGRAM "
                 "ARGS...\n";
    return 2;
  }
  const auto mouse = MouseOf(descriptorFiles);
  if (!mouse) {
    return 2;
  }
  mon::testing::THidrawTestbed testbed;
  std::string node = testbed.Add(*mouse);
  if (node.empty()) {
    std::cerr << "sim_hidraw_mouse: the testbed refused the mouse (not under umockdev-wrapper?)\n";
    return 1;
  }
  mon::testing::TChildProcess child(program);
  if (!child.Started()) {
    std::cerr << "sim_hidraw_mouse: could not start " << program.front() << "\n";
    return 1;
  }
  for (std::string line; std::getline(std::cin, line);) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    std::string rest;
    std::getline(words, rest);
    rest.erase(0, rest.find_first_not_of(" \t"));
    std::string answer;
    if (command == "report") {
      const auto bytes = HexBytes(rest);
      answer = !bytes                             ? "error bad hex"
               : node.empty()                     ? "error no device"
               : testbed.SendReport(node, *bytes) ? "ok " + std::to_string(bytes->size())
                                                  : "error write failed";
    } else if (command == "node") {
      const std::string terminal = node.empty() ? std::string() : testbed.TerminalOf(node);
      answer = terminal.empty() ? "error no device" : "ok " + node + " " + terminal;
    } else if (command == "remove") {
      answer = testbed.Remove(node) ? "ok" : "error no device";
      node.clear();
    } else if (command == "add") {
      if (!node.empty()) {
        answer = "error the device is there";
      } else {
        node = testbed.Add(*mouse);
        answer = node.empty() ? "error the testbed refused it" : "ok " + node;
      }
    } else if (command == "wait-exit") {
      int timeoutMs = 0;
      const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), timeoutMs);
      const auto code = error == std::errc() ? child.WaitExit(timeoutMs) : std::nullopt;
      answer = error != std::errc() ? "error bad time"
               : code               ? "ok " + std::to_string(*code)
                                    : "error still running";
    } else if (command == "kill") {
      const auto signal = SignalNumber(rest);
      answer = !signal ? "error bad signal" : child.Signal(*signal) ? "ok" : "error not running";
    } else if (command == "quit") {
      std::cout << "ok" << std::endl;
      break;
    } else {
      answer = "error unknown command";
    }
    std::cout << answer << std::endl;
  }
  return 0;  // the child is ended with `child`
}
