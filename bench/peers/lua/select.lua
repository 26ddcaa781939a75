local s = 0
for i = 1, 1000000 do
  local m = i % 4
  if m == 0 then s = s + 1 elseif m == 1 then s = s + 2 else s = s + 3 end
end
print(s)
