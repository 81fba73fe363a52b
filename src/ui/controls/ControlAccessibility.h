#pragma once

// Makes picture buttons push buttons with their short name, and transparent
// labels static text exposing their caption, for assistive technology.
// Safe to call more than once.
void installControlAccessibility();
