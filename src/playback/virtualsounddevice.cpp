#include "playback/virtualsounddevice.h"

#include "playback/autoresetevent.h"

namespace tp {

int VirtualSoundDevice::Open() {
  std::lock_guard lock(mutex_);
  if (!present_) return StreamNoDevice;
  open_ = true;
  return StreamOk;
}

std::string VirtualSoundDevice::Name() const {
  std::lock_guard lock(mutex_);
  return open_ ? "Virtual output" : "";
}

void VirtualSoundDevice::Close() {
  ReleaseRing();
  std::lock_guard lock(mutex_);
  open_ = false;
}

int VirtualSoundDevice::CreateRing(const int16_t* ring, uint32_t framesPerHalf,
                                   uint32_t framesPerSecond, AutoResetEvent& halfPlayed) {
  std::lock_guard lock(mutex_);
  if (!open_) return StreamFailed;
  ring_ = ring;
  framesPerHalf_ = framesPerHalf;
  framesPerSecond_ = framesPerSecond;
  halfPlayed_ = &halfPlayed;
  ++ringsCreated_;
  return StreamOk;
}

void VirtualSoundDevice::ReleaseRing() {
  std::lock_guard lock(mutex_);
  playing_ = false;
  ring_ = nullptr;
  halfPlayed_ = nullptr;
}

int VirtualSoundDevice::Play() {
  if (refusePlay_) return StreamFailed;
  {
    std::lock_guard lock(mutex_);
    if (!ring_) return StreamFailed;
    playing_ = true;
    written_[0] = written_[1] = true;
    nextHalf_ = 0;
    halvesWritten_ = 0;
    halvesPlayed_ = 0;
    received_.clear();
  }
  changed_.notify_all();
  return StreamOk;
}

int VirtualSoundDevice::StopPlaying(std::chrono::milliseconds limit) {
  {
    std::lock_guard lock(mutex_);
    playing_ = false;
    lastStopLimit_ = limit;
  }
  changed_.notify_all();
  return StreamOk;
}

bool VirtualSoundDevice::IsPlaying() const {
  std::lock_guard lock(mutex_);
  return playing_;
}

void VirtualSoundDevice::HalfWritten(int half) {
  {
    std::lock_guard lock(mutex_);
    written_[half & 1] = true;
    ++halvesWritten_;
  }
  changed_.notify_all();
}

bool VirtualSoundDevice::HalfPlayed(int half) const {
  std::lock_guard lock(mutex_);
  return playing_ && !written_[half & 1];
}

bool VirtualSoundDevice::PlayNextHalf(std::chrono::milliseconds guard) {
  AutoResetEvent* halfPlayed = nullptr;
  {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, guard, [this] { return !playing_ || written_[nextHalf_]; }))
      return false;
    if (!playing_) return false;
    const size_t values = size_t(framesPerHalf_) * StreamChannels;
    const int16_t* half = ring_ + size_t(nextHalf_) * values;
    received_.insert(received_.end(), half, half + values);
    written_[nextHalf_] = false;
    nextHalf_ ^= 1;
    ++halvesPlayed_;
    halfPlayed = halfPlayed_;
  }
  halfPlayed->Set();
  return true;
}

bool VirtualSoundDevice::WaitForHalvesWritten(size_t count, std::chrono::milliseconds guard) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, guard, [&] { return halvesWritten_ >= count; });
}

void VirtualSoundDevice::SignalWithoutPlaying() {
  AutoResetEvent* halfPlayed = nullptr;
  {
    std::lock_guard lock(mutex_);
    halfPlayed = halfPlayed_;
  }
  if (halfPlayed) halfPlayed->Set();
}

std::vector<int16_t> VirtualSoundDevice::Received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

size_t VirtualSoundDevice::HalvesWritten() const {
  std::lock_guard lock(mutex_);
  return halvesWritten_;
}

size_t VirtualSoundDevice::HalvesPlayed() const {
  std::lock_guard lock(mutex_);
  return halvesPlayed_;
}

int VirtualSoundDevice::RingsCreated() const {
  std::lock_guard lock(mutex_);
  return ringsCreated_;
}

const int16_t* VirtualSoundDevice::Ring() const {
  std::lock_guard lock(mutex_);
  return ring_;
}

uint32_t VirtualSoundDevice::FramesPerHalf() const {
  std::lock_guard lock(mutex_);
  return framesPerHalf_;
}

uint32_t VirtualSoundDevice::FramesPerSecond() const {
  std::lock_guard lock(mutex_);
  return framesPerSecond_;
}

}  // namespace tp
