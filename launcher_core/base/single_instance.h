// One launcher core at a time in the player's session for the modes that touch the run's files
// (the race run and "--upload"): a second start would flush the same queue, wait on the same game
// and send the same receipt. A named mutex marks the running core; Windows drops it with the
// process however that ends, so a core that was killed leaves nothing behind that blocks the next.
#pragma once

// True when no other launcher core holds the mark; this process then holds it until it exits.
bool claim_single_instance();
