function Initialize()
  _G.reloadLog = (_G.reloadLog or "") .. "init1;"
end

function Version()
  return 1
end

function Shutdown()
  _G.reloadLog = (_G.reloadLog or "") .. "shutdown1;"
end
