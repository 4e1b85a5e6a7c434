#pragma once
#include "Objects/Component.h"

class GameObject;

// A node of the level graph. Links (and the firewall) are object ids in the same space, -1 for
// none.
class GameNode : public Component<GameNode> {
public:
  bool EndNode = false;
  int Credits = 0;
  int EncryptionLayers = 0;
  int KeyType = 0;
  bool FireWallProtected = false;
  int FireWallID = -1;
  int UpID = -1;
  bool UpLinked = true;
  int UpLinkParticlesID = -1;
  int DownID = -1;
  bool DownLinked = true;
  int DownLinkParticlesID = -1;
  int LeftID = -1;
  bool LeftLinked = true;
  int LeftLinkParticlesID = -1;
  int RightID = -1;
  bool RightLinked = true;
  int RightLinkParticlesID = -1;

  // The object of that id in this component's space; null for a negative id or none.
  GameObject* Linked(int id) const;
  GameObject* UpNode() const { return Linked(UpID); }
  GameObject* DownNode() const { return Linked(DownID); }
  GameObject* LeftNode() const { return Linked(LeftID); }
  GameObject* RightNode() const { return Linked(RightID); }
  GameObject* UpParticles() const { return Linked(UpLinkParticlesID); }
  GameObject* DownParticles() const { return Linked(DownLinkParticlesID); }
  GameObject* LeftParticles() const { return Linked(LeftLinkParticlesID); }
  GameObject* RightParticles() const { return Linked(RightLinkParticlesID); }
  GameObject* FireWall() const { return Linked(FireWallID); }
};

class Player : public Component<Player> {
public:
  int LevelNum = 0;
  int Credits = 0;
  int Quarter = 0;
};

class Patrol : public Component<Patrol> {
public:
  int StartID = -1;
  int MoveDir = 0; // 0 none, 1 up, 2 down, 3 left, 4 right

  GameObject* StartNode() const;
};
