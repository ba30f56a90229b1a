// Opens the pass-1 run log on /dev/null, so that every log line is built
// and written as in a real run, and then thrown away.
#pragma once

// Opens the run log the first time it is called.
void DiscardRunLogOnce();
