#pragma once

// Bookkeeping of the one GL context: GL objects remember the context they were made in and, once
// it is gone (or replaced), must not be touched. The graphics system reports the context's birth
// and end; sprites, text and anything else holding GL names ask here.
namespace GLContext {

// A context was made current: a new generation begins.
void Began();
// The context is about to be deleted.
void Ended();
// The generation of the live context (0 is never alive).
unsigned Generation();
bool Alive(unsigned generation);
// Texture images never change after upload, so their mipmaps are made once, at the first draw
// that samples them. Call with the texture bound.
void EnsureMipmaps(unsigned textureName);

} // namespace GLContext
