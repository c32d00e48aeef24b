#pragma once
// The Prepare page: progress back to 0 and the info line's animation.
void StartPrepare();
