for i = 1, 10000 do
  local s = "abc"
  for j = 1, 100 do
    s = s .. "x"
    local t = s:sub(2, 4)
    if not (t == "bcx" or t > "bcx") then error("wrong substring") end
  end
end
