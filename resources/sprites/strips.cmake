# The ten built-in sprite strips, in image-set order (1 to 10): the name the
# canvas component knows each by (DRAVELPANEL_IDB_IMAGE_LIST_<name>), its file
# here, and its frame width. The canvas compiles their pixels in
# (canvas/tools/sprite_pixels.py); the resources keep the files by name.
set(dravel_sprite_strips
  TURTLE turtle.png 20
  BUTT butterfly.png 32
  TANK tank.png 32
  R_AER red_plane.png 29
  B_AER blue_plane.png 29
  CAR car.png 28
  ROBOT robot.png 25
  B_ROBOT big_robot.png 38
  LADYBUG ladybug.png 25
  BALLOON balloon.png 39
)
