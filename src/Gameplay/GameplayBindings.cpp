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
      .Plain()
      .Property("UpNode", &GameNode::UpNode)
      .Property("DownNode", &GameNode::DownNode)
      .Property("LeftNode", &GameNode::LeftNode)
      .Property("RightNode", &GameNode::RightNode)
      .Field("UpLinked", &GameNode::UpLinked)
      .Field("DownLinked", &GameNode::DownLinked)
      .Field("LeftLinked", &GameNode::LeftLinked)
      .Field("RightLinked", &GameNode::RightLinked)
      .Property("UpParticles", &GameNode::UpParticles)
      .Property("DownParticles", &GameNode::DownParticles)
      .Property("LeftParticles", &GameNode::LeftParticles)
      .Property("RightParticles", &GameNode::RightParticles)
      .Field("EndNode", &GameNode::EndNode)
      .Field("Credits", &GameNode::Credits)
      .Field("EncryptionLayers", &GameNode::EncryptionLayers)
      .Field("KeyType", &GameNode::KeyType)
      .Field("FireWallProtected", &GameNode::FireWallProtected)
      .Property("FireWall", &GameNode::FireWall)
      .Equality()
      .End();
}

void BindTurnEvents(lua_State* L) {
  lb::Global(L)
      .Class<EndPlayerTurn>("EndPlayerTurn")
      .Plain()
      .Constructor<>()
      .End()
      .Class<PlayerFound>("PlayerFound")
      .Plain()
      .Constructor<>()
      .End();
}

void BindPatrol(lua_State* L) {
  lb::Global(L)
      .Class<Patrol>("PatrolComponent")
      .Plain()
      .Property("StartNode", &Patrol::StartNode)
      .Field("MoveDir", &Patrol::MoveDir)
      .Equality()
      .End();
}

void BindPlayer(lua_State* L) {
  lb::Global(L)
      .Class<Player>("PlayerComponent")
      .Plain()
      .Field("Credits", &Player::Credits)
      .Field("LevelNum", &Player::LevelNum)
      .Field("Quarter", &Player::Quarter)
      .Equality()
      .End();
}

void BindLevelEvents(lua_State* L) {
  lb::Global(L)
      .Class<AllObjectsCreated>("AllObjectsCreated")
      .Plain()
      .Constructor<>()
      .Field("Quarter", &AllObjectsCreated::Quarter)
      .End()
      .Class<Siphon>("Siphon")
      .Plain()
      .Constructor<>()
      .Field("Credits", &Siphon::Credits)
      .End();
}

void BindPing(lua_State* L) {
  lb::Global(L)
      .Class<Ping>("Ping")
      .Plain()
      .Constructor<>()
      .Field("PingNodeID", &Ping::PingNodeID)
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
