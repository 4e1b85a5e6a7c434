#pragma once
#include <cstdint>
#include <string>

// The frame-rate limiter. Time is counted in units of 1/100000 s; the frame period comes from
// "FrameRate.txt" once at start-up and is held by busy-waiting on the performance counter.
namespace FrameTimer {
extern int64_t frameStart;
extern int64_t counterFrequency;
extern int64_t targetFrameUnits;

// Reads the frame rate from the file (first three characters, atoi). A missing file is created
// containing "60". A value that is not a positive number falls back to 60.
int ReadFrameRate(const std::string& path = "FrameRate.txt");

// Reads the frame rate, computes targetFrameUnits and the counter frequency.
void Start(const std::string& path = "FrameRate.txt");

// Marks the beginning of a frame: where the last wait ended when that was less than a frame
// ago (so work between the wait and this call counts in this frame), otherwise now.
void BeginFrame();

// Waits until the frame period has passed since BeginFrame and returns the frame's duration in
// seconds. The thread sleeps until shortly before the deadline (leaving the core to others) and
// busy-waits on the counter for the rest, so the period is still held to 10 us.
float WaitForFrameEnd();

// Off: the whole wait is a busy wait (as a comparison for the benchmark).
extern bool sleepBeforeSpin;
// How long before the deadline the sleep ends, in frame units; it adapts to how late the system
// wakes the thread and never goes below kSleepMarginStart.
constexpr int64_t kSleepMarginStart = 100; // 1 ms
extern int64_t sleepMarginUnits;

// Performance counter, for the input system and tests.
int64_t Now();
} // namespace FrameTimer
