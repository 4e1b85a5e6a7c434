// The turn rules of the game as the level checker plays them, and the breadth-first search
// that proves a level winnable.
#include "game/Solver.h"

#include <algorithm>
#include <deque>
#include <map>
#include <unordered_map>

namespace levels {

std::string ActionName(const Action& action) {
  switch (action.kind) {
  case Action::kMove:
    return DirName(action.dir);
  case Action::kLink:
    return std::string("link-") + DirName(action.dir);
  case Action::kSiphon:
    return "siphon";
  default:
    return "wait";
  }
}

bool ParseAction(const std::string& word, Action& action) {
  std::string dir = word;
  action.kind = Action::kMove;
  if (word == "siphon" || word == "wait") {
    action.kind = word == "siphon" ? Action::kSiphon : Action::kWait;
    action.dir = 0;
    return true;
  }
  if (word.rfind("link-", 0) == 0) {
    action.kind = Action::kLink;
    dir = word.substr(5);
  }
  for (int d = 0; d < kDirs; ++d)
    if (dir == DirName(d)) {
      action.dir = d;
      return true;
    }
  return false;
}

std::string Sequence(const std::vector<Action>& actions) {
  std::string text;
  for (const Action& action : actions)
    text += (text.empty() ? "" : " ") + ActionName(action);
  return text;
}

Rules::Rules(const LevelModel& level) : model(level) {
  linkOf.assign(model.nodes.size() * kDirs, -1);
  for (size_t i = 0; i < model.nodes.size(); ++i)
    for (int d = 0; d < kDirs; ++d) {
      int j = model.nodes[i].next[d];
      if (j < 0 || linkOf[i * kDirs + d] >= 0)
        continue;
      linkOf[i * kDirs + d] = links;
      linkOf[static_cast<size_t>(j) * kDirs + Opposite(d)] = links;
      ++links;
    }
  std::map<int, size_t> indexOfType;
  for (const NodeInfo& node : model.nodes) {
    auto [at, fresh] = indexOfType.emplace(node.keyType, indexOfType.size());
    keyIndex.push_back(at->second);
  }
  keyTypes = indexOfType.size();
}

Rules::State Rules::Start() const {
  State state;
  size_t n = model.nodes.size();
  state.player = model.startNode;
  state.credits = model.startCredits;
  state.keys.assign(keyTypes, 0);
  state.drained.assign(n, false);
  state.decrypted.assign(n, false);
  state.opened.assign(n, false);
  state.picked.assign(n, false);
  state.closed.assign(static_cast<size_t>(links), false);
  for (size_t i = 0; i < n; ++i)
    for (int d = 0; d < kDirs; ++d)
      if (linkOf[i * kDirs + d] >= 0 && !model.nodes[i].linked[d])
        state.closed[static_cast<size_t>(linkOf[i * kDirs + d])] = true;
  for (const PatrolInfo& patrol : model.patrols) {
    state.patrolNode.push_back(patrol.startNode);
    state.patrolDir.push_back(patrol.moveDir - 1);
  }
  return state;
}

bool Rules::Open(const State& state, int node, int dir) const {
  int link = LinkIndex(node, dir);
  return link >= 0 && !state.closed[static_cast<size_t>(link)];
}

void Rules::MovePatrols(State& state) const {
  for (size_t p = 0; p < state.patrolNode.size(); ++p) {
    if (state.patrolDir[p] < 0)
      continue;
    for (int dir : PatrolOrder(state.patrolDir[p]))
      if (Open(state, state.patrolNode[p], dir)) {
        state.patrolNode[p] = model.nodes[static_cast<size_t>(state.patrolNode[p])].next[dir];
        state.patrolDir[p] = dir;
        break;
      }
  }
}

bool Rules::PatrolOnPlayer(const State& state) const {
  return std::find(state.patrolNode.begin(), state.patrolNode.end(), state.player) !=
         state.patrolNode.end();
}

Outcome Rules::Apply(State& state, const Action& action, std::string* reason) const {
  auto refuse = [reason](const char* why) {
    if (reason)
      *reason = why;
    return Outcome::kRefused;
  };
  size_t here = static_cast<size_t>(state.player);
  switch (action.kind) {
  case Action::kMove: {
    int next = model.nodes[here].next[action.dir];
    if (next < 0)
      return refuse("no link");
    if (!Open(state, state.player, action.dir))
      return refuse("the link is closed");
    const NodeInfo& target = model.nodes[static_cast<size_t>(next)];
    size_t t = static_cast<size_t>(next);
    bool needKey = target.firewall && !state.opened[t];
    int cost = state.decrypted[t] ? 0 : target.layers;
    if (needKey && state.keys[KeyIndex(t)] < 1)
      return refuse("no key");
    if (state.credits < cost)
      return refuse("too few credits");
    if (needKey) {
      --state.keys[KeyIndex(t)];
      state.opened[t] = true;
    }
    state.credits -= cost;
    if (target.layers > 0)
      state.decrypted[t] = true;
    if (target.keyType != 0 && !target.firewall && !state.picked[t]) {
      ++state.keys[KeyIndex(t)];
      state.picked[t] = true;
    }
    state.player = next;
    break;
  }
  case Action::kLink: {
    int link = LinkIndex(state.player, action.dir);
    if (link < 0)
      return refuse("no link");
    if (state.credits < 2)
      return refuse("too few credits");
    state.credits -= 2;
    state.closed[static_cast<size_t>(link)] = !state.closed[static_cast<size_t>(link)];
    break;
  }
  case Action::kSiphon: {
    if (state.drained[here] || model.nodes[here].credits <= 0)
      return refuse("no credits here");
    state.credits += model.nodes[here].credits;
    state.drained[here] = true;
    break;
  }
  case Action::kWait:
    break;
  }
  if (PatrolOnPlayer(state))
    return Outcome::kWalkedIntoPatrol;
  if (model.nodes[static_cast<size_t>(state.player)].end)
    return Outcome::kWon;
  MovePatrols(state);
  return PatrolOnPlayer(state) ? Outcome::kFound : Outcome::kTurn;
}

namespace {
void PutBits(std::string& key, const std::vector<bool>& bits) {
  unsigned char byte = 0;
  for (size_t i = 0; i < bits.size(); ++i) {
    byte = static_cast<unsigned char>(byte | (bits[i] ? 1u << (i % 8) : 0u));
    if (i % 8 == 7 || i + 1 == bits.size()) {
      key.push_back(static_cast<char>(byte));
      byte = 0;
    }
  }
}
void PutInt(std::string& key, int value) {
  key.append(reinterpret_cast<const char*>(&value), sizeof value);
}
} // namespace

std::string Rules::Key(const State& state) const {
  std::string key;
  PutInt(key, state.player);
  PutInt(key, state.credits);
  for (int k : state.keys)
    PutInt(key, k); // a byte would merge states once a level has 256 nodes or keys
  PutBits(key, state.drained);
  PutBits(key, state.decrypted);
  PutBits(key, state.opened);
  PutBits(key, state.picked);
  PutBits(key, state.closed);
  for (size_t p = 0; p < state.patrolNode.size(); ++p) {
    PutInt(key, state.patrolNode[p]);
    key.push_back(static_cast<char>(state.patrolDir[p])); // 0 to 4
  }
  return key;
}

Solution Solve(const LevelModel& model, size_t stateLimit) {
  Solution solution;
  Rules rules(model);
  struct Step {
    int parent;
    Action action;
  };
  std::vector<Step> steps{{-1, {}}};
  auto path = [&steps](int at, const Action& last) {
    std::vector<Action> actions{last};
    for (; steps[static_cast<size_t>(at)].parent >= 0; at = steps[static_cast<size_t>(at)].parent)
      actions.push_back(steps[static_cast<size_t>(at)].action);
    std::reverse(actions.begin(), actions.end());
    return actions;
  };
  std::unordered_map<std::string, int> seen;
  Rules::State start = rules.Start();
  seen.emplace(rules.Key(start), 0);
  std::deque<std::pair<Rules::State, int>> queue;
  queue.emplace_back(start, 0);
  bool wantFound = !model.patrols.empty();

  std::vector<Action> actions;
  for (int d = 0; d < kDirs; ++d)
    actions.push_back({Action::kMove, d});
  actions.push_back({Action::kSiphon, 0});
  actions.push_back({Action::kWait, 0});
  for (int d = 0; d < kDirs; ++d)
    actions.push_back({Action::kLink, d});

  while (!queue.empty()) {
    auto [state, index] = std::move(queue.front());
    queue.pop_front();
    for (const Action& action : actions) {
      Rules::State next = state;
      Outcome outcome = rules.Apply(next, action);
      if (outcome == Outcome::kRefused)
        continue;
      if (outcome == Outcome::kWon && !solution.solved) {
        solution.solved = true;
        solution.win = path(index, action);
        solution.par = static_cast<int>(solution.win.size());
      }
      bool walkedIn = outcome == Outcome::kWalkedIntoPatrol;
      if ((outcome == Outcome::kFound || walkedIn) && !solution.foundReached) {
        solution.foundReached = true;
        solution.found = path(index, action);
      }
      if (walkedIn && !solution.walkInReached) {
        solution.walkInReached = true;
        solution.walkIn = path(index, action);
      }
      if (outcome != Outcome::kTurn)
        continue;
      auto [it, fresh] = seen.emplace(rules.Key(next), static_cast<int>(steps.size()));
      if (!fresh)
        continue;
      steps.push_back({index, action});
      queue.emplace_back(std::move(next), it->second);
    }
    if (solution.solved && (solution.walkInReached || !wantFound))
      break;
    if (seen.size() > stateLimit) {
      // A level already won is sound; only the search for a walk into a patrol stops here.
      if (!solution.solved)
        solution.error = "the search passed " + std::to_string(stateLimit) + " states";
      break;
    }
  }
  solution.states = seen.size();
  return solution;
}

} // namespace levels
