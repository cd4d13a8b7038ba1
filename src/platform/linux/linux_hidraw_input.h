// The input reports of one top-level collection, read from its hidraw node.
//
// A hidraw node carries the input reports of all its collections; every open descriptor gets
// each of them. Windows gives each collection only its own reports, with byte 0 the report ID (0
// for a device without IDs) and every report as long as the collection's InputReportByteLength.
// This reader makes the node look the same: it drops reports of other collections, puts a 0
// before the reports of a device without IDs (hidraw gives them without an ID byte), and pads
// short reports with zeros to the collection's length.
//
// Each read asks for exactly one report's length (the collection's), so that a node that is a
// byte stream (an emulated one) yields whole reports too, as long as the reports have that
// length; a real node gives one report per read and cuts a longer one to the length asked for.
//
// The wait is a poll on the node and on an eventfd that the stop request sets: no time-out, no
// wake-ups while idle.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/hid_system.h"
#include "platform/linux/linux_unique_fd.h"
#include "platform/stop_token.h"

namespace mon::lnx {

// What the reader needs to know of its collection.
struct THidrawInputFormat {
  // The collection's InputReportByteLength, report-ID byte included (also for a device without
  // IDs, where that byte is the 0 the reader puts in front).
  std::uint16_t ReportLength = 0;
  bool UsesReportIds = false;
  // The collection's input report IDs; ignored when UsesReportIds is false.
  std::vector<std::uint8_t> ReportIds;
};

class THidrawInput {
 public:
  // ANodeFd is the node's descriptor, borrowed (it must outlive this object), best opened with
  // O_NONBLOCK.
  THidrawInput(int ANodeFd, THidrawInputFormat AFormat);

  // THidDevice::Read for this collection: Completed with ReportLength bytes; Failed with
  // kErrorDeviceNotConnected when the node hangs up or reports the device gone (POLLHUP,
  // POLLERR, ENODEV, EIO, end of file); Stopped when AStop is requested (also while blocked);
  // IssueFailed when nothing can be read (no wake-up descriptor, a buffer shorter than a report,
  // a collection without input reports). Never returns with a read in progress.
  THidReadResult Read(std::span<std::uint8_t> ABuffer, const TStopToken& AStop);

 private:
  // Empties the wake-up descriptor before a new wait.
  void DrainWake();
  bool IsOwnReport(std::uint8_t AReportId) const;

  int FNodeFd;
  THidrawInputFormat FFormat;
  TUniqueFd FWake;
};

}  // namespace mon::lnx
