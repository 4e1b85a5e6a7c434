#pragma once
// The rules of one turn over a level model, and a breadth-first search over the states they
// reach: the fewest turns that win a level (its par), a winning sequence, and the shortest
// sequence that gets the player found.
#include <cstdint>
#include <string>
#include <vector>

#include "game/LevelModel.h"

namespace levels {

// An action that may cost the turn. Pings cost credits but never the turn and change nothing the
// rules read, so the search leaves them out.
struct Action {
  enum Kind : uint8_t { kMove, kLink, kSiphon, kWait } kind = kWait;
  int dir = 0;
};
// "up", "link-left", "siphon", "wait".
std::string ActionName(const Action& action);
bool ParseAction(const std::string& word, Action& action);

// kWalkedIntoPatrol: the player's own move put it on a patrol's node (found before the patrols
// step); kFound: a patrol stepped onto the player.
enum class Outcome { kRefused, kTurn, kWon, kFound, kWalkedIntoPatrol };

class Rules {
public:
  explicit Rules(const LevelModel& model);

  struct State {
    int player = 0;
    int credits = 0;
    std::vector<int> keys;                                // held keys, by KeyIndex
    std::vector<bool> drained, decrypted, opened, picked; // by node
    std::vector<bool> closed;                             // by link
    std::vector<int> patrolNode, patrolDir;               // patrolDir -1: a sentry
  };

  State Start() const;
  // Plays one action. A refused action leaves the state as it was and says why in `reason`.
  Outcome Apply(State& state, const Action& action, std::string* reason = nullptr) const;
  // A compact, exact encoding of the state, for the search's visited set.
  std::string Key(const State& state) const;
  int LinkIndex(int node, int dir) const { return linkOf[node * kDirs + dir]; }

private:
  bool Open(const State& state, int node, int dir) const;
  void MovePatrols(State& state) const;
  bool PatrolOnPlayer(const State& state) const;

  // Where keys of the node's KeyType are counted in State::keys.
  size_t KeyIndex(size_t node) const { return keyIndex[node]; }

  const LevelModel& model;
  std::vector<int> linkOf; // node * 4 + dir -> link index, -1 without link
  int links = 0;
  // The key types of the level in a dense list: as in the game, any int but 0 is a key type,
  // negative or large ones too.
  std::vector<size_t> keyIndex; // by node
  size_t keyTypes = 0;
};

struct Solution {
  bool solved = false;
  int par = 0;
  std::vector<Action> win;
  bool foundReached = false;
  std::vector<Action> found;
  bool walkInReached = false; // the player can walk into a patrol
  std::vector<Action> walkIn; // the shortest sequence that ends moving onto a patrol
  size_t states = 0;
  std::string error; // set when the search was cut short
};

// Searches a valid model (see Validate). `stateLimit` bounds the visited set.
Solution Solve(const LevelModel& model, size_t stateLimit = 3000000);

std::string Sequence(const std::vector<Action>& actions);

} // namespace levels
