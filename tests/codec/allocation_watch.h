// Watches the codec's allocations through its allocation hook while it
// lives: how many were asked for, the largest, and optionally makes one of
// them fail.
#pragma once

#include <cstddef>

#include "codec/codec_base.h"

class AllocationWatch {
 public:
  // failAt: the number (from 1) of the allocation to fail; 0 fails none.
  explicit AllocationWatch(int failAt = 0) : failAt_(failAt) { SetAllocationHook(&See, this); }
  ~AllocationWatch() { SetAllocationHook(nullptr, nullptr); }
  AllocationWatch(const AllocationWatch&) = delete;
  AllocationWatch& operator=(const AllocationWatch&) = delete;

  size_t largest() const { return largest_; }
  int count() const { return count_; }
  bool failed() const { return failed_; }

 private:
  static bool See(size_t bytes, void* user) {
    AllocationWatch* self = static_cast<AllocationWatch*>(user);
    if (++self->count_ == self->failAt_) {
      self->failed_ = true;
      return false;
    }
    if (bytes > self->largest_) self->largest_ = bytes;
    return true;
  }

  int failAt_;
  int count_ = 0;
  size_t largest_ = 0;
  bool failed_ = false;
};
