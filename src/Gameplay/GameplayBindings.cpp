// Script API sections of the game's node graph: the node, player and patrol components and the
// gameplay events scripts hand to each other.
#include <lua.hpp>

#include "Binding/Binding.h"
#include "Gameplay/GameplayComponents.h"
#include "Objects/Events.h"

namespace {

void BindGameNode(lua_State* L) {
  lb::Global(L)
      .Class<GameNode>("GameNode")
      .Doc("A node of the level's graph, with its four links (component \"GameNode\").")
      .Plain()
      .Property("UpNode", &GameNode::UpNode)
      .Doc("The node linked upwards (the object of `UpID`), nil if none.")
      .Property("DownNode", &GameNode::DownNode)
      .Doc("The node linked downwards, nil if none.")
      .Property("LeftNode", &GameNode::LeftNode)
      .Doc("The node linked to the left, nil if none.")
      .Property("RightNode", &GameNode::RightNode)
      .Doc("The node linked to the right, nil if none.")
      .Field("UpLinked", &GameNode::UpLinked)
      .Doc("Whether the link upwards is open.")
      .Field("DownLinked", &GameNode::DownLinked)
      .Doc("Whether the link downwards is open.")
      .Field("LeftLinked", &GameNode::LeftLinked)
      .Doc("Whether the link to the left is open.")
      .Field("RightLinked", &GameNode::RightLinked)
      .Doc("Whether the link to the right is open.")
      .Property("UpParticles", &GameNode::UpParticles)
      .Doc("The object that draws the link upwards, nil if none.")
      .Property("DownParticles", &GameNode::DownParticles)
      .Doc("The object that draws the link downwards, nil if none.")
      .Property("LeftParticles", &GameNode::LeftParticles)
      .Doc("The object that draws the link to the left, nil if none.")
      .Property("RightParticles", &GameNode::RightParticles)
      .Doc("The object that draws the link to the right, nil if none.")
      .Field("EndNode", &GameNode::EndNode)
      .Doc("True for an end node: reaching it wins the level.")
      .Field("Credits", &GameNode::Credits)
      .Doc("The credits a siphon can take from the node.")
      .Field("EncryptionLayers", &GameNode::EncryptionLayers)
      .Doc("The credits paid on the first entry.")
      .Field("KeyType", &GameNode::KeyType)
      .Doc("The key picked up here; on a firewalled node, the key type its firewall needs.")
      .Field("FireWallProtected", &GameNode::FireWallProtected)
      .Doc("Whether a firewall guards the node.")
      .Property("FireWall", &GameNode::FireWall)
      .Doc("The object that draws the firewall, nil if none.")
      .Equality()
      .End();
}

void BindTurnEvents(lua_State* L) {
  lb::Global(L)
      .Class<EndPlayerTurn>("EndPlayerTurn")
      .Doc("The end of the player's turn: a value the game's scripts make and hand to each "
           "other (the engine never raises it).")
      .Plain()
      .Constructor<>()
      .Doc("A new turn-end event.")
      .End()
      .Class<PlayerFound>("PlayerFound")
      .Doc("A patrol found the player: a value the game's scripts make and hand to each other.")
      .Plain()
      .Constructor<>()
      .Doc("A new player-found event.")
      .End();
}

void BindPatrol(lua_State* L) {
  lb::Global(L)
      .Class<Patrol>("PatrolComponent")
      .Doc("An enemy patrol (component \"Patrol\").")
      .Plain()
      .Property("StartNode", &Patrol::StartNode)
      .Doc("The node the patrol starts on (the object of its `StartID`), nil if none.")
      .Field("MoveDir", &Patrol::MoveDir)
      .Doc("The direction it faces: 0 none (a sentry), 1 up, 2 down, 3 left, 4 right.")
      .Equality()
      .End();
}

void BindPlayer(lua_State* L) {
  lb::Global(L)
      .Class<Player>("PlayerComponent")
      .Doc("The player's piece (component \"Player\").")
      .Plain()
      .Field("Credits", &Player::Credits)
      .Doc("The player's credits (the level file gives the starting credits).")
      .Field("LevelNum", &Player::LevelNum)
      .Doc("The level's number; the next level is LevelNN.level with NN = LevelNum + 1.")
      .Field("Quarter", &Player::Quarter)
      .Doc("A number stored with the player, not used by the game's scripts.")
      .Equality()
      .End();
}

void BindLevelEvents(lua_State* L) {
  lb::Global(L)
      .Class<AllObjectsCreated>("AllObjectsCreated")
      .Doc("Sent to a space's scripts after a level has been loaded into it and every object "
           "made (event \"AllObjectsCreated\").")
      .Plain()
      .Constructor<>()
      .Doc("A new event with `Quarter` 0.")
      .Field("Quarter", &AllObjectsCreated::Quarter)
      .Doc("3 when the engine sends it.")
      .End()
      .Class<Siphon>("Siphon")
      .Doc("A siphon of credits from a node: a value the game's scripts make and hand to each "
           "other.")
      .Plain()
      .Constructor<>()
      .Doc("A new siphon event.")
      .Field("Credits", &Siphon::Credits)
      .Doc("The credits siphoned.")
      .End();
}

void BindPing(lua_State* L) {
  lb::Global(L)
      .Class<Ping>("Ping")
      .Doc("A ping of a node: a value the game's scripts make and hand to each other.")
      .Plain()
      .Constructor<>()
      .Doc("A new ping event.")
      .Field("PingNodeID", &Ping::PingNodeID)
      .Doc("The id (`m_Self`) of the node pinged.")
      .End();
}

// GameNode closes the component classes (section 15).
lb::ApiSection gameNodeSection(15, 6, &BindGameNode);
lb::ApiSection turnEventSection(17, &BindTurnEvents);
lb::ApiSection patrolSection(18, &BindPatrol);
lb::ApiSection playerSection(19, &BindPlayer);
lb::ApiSection levelEventSection(20, &BindLevelEvents);
lb::ApiSection pingSection(22, &BindPing);

} // namespace
