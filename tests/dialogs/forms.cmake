# The forms' tests are part of the dialogs' program, listed in tests.cmake.
