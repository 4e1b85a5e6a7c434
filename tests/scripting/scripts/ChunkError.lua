function Initialize()
  initialized = true
end
error("chunk failed")
