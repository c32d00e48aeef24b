#pragma once
// Milliseconds since this process was created, as the system recorded it:
// what a start-up figure is measured from, in any program alike.
double MsSinceProcessStart();
