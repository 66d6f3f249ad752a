#pragma once

// The processor cores this process may run on (at least one).
int UsableCores();
