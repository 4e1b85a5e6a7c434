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

// Marks the beginning of a frame.
void BeginFrame();

// Busy-waits until the frame period has passed since BeginFrame and returns the frame's
// duration in seconds.
float WaitForFrameEnd();

// Performance counter, for the input system and tests.
int64_t Now();
} // namespace FrameTimer
