// placeholder until the Qt platform layer lands
