local c = 0
for iy = 0, 100 do
  local y = iy / 50 - 1
  for ix = 0, 160 do
    local x = ix / 64 - 2
    local zr, zi, k = 0, 0, 0
    while k < 100 and zr * zr + zi * zi < 4 do
      zr, zi = zr * zr - zi * zi + x, 2 * zr * zi + y
      k = k + 1
    end
    c = c + k
  end
end
print(c)
